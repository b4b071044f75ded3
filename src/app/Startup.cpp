#include "Startup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QTranslator* installQtTranslation(QCoreApplication& app) {
    // Russian whatever the user's locale: every other text of the program is Russian.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    auto* translator = new QTranslator(&app);
    if (!translator->load(russian, QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

QIcon programIcon() { return QIcon(QStringLiteral(":/bivex/bivex.svg")); }
