#pragma once

#include <QIcon>

class QCoreApplication;
class QTranslator;

// Loads the toolkit's own Russian translation (qtbase_ru), so that file dialogs and
// standard buttons speak the program's language. Returns the installed translator (owned
// by `app`), or null, leaving them in English, when the translation is not installed.
QTranslator* installQtTranslation(QCoreApplication& app);

// The program's icon, built into the binary (the same picture the desktop entry shows).
QIcon programIcon();
