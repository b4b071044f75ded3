#include "CommandLine.h"

#include <QCommandLineParser>
#include <QHash>

#include <array>

namespace {

// The options the toolkit reads from argv itself. They are accepted and handed on as
// they came, so that session restore (-session) and the usual -platform / -style keep
// working; everything else that begins with a dash is refused.
struct ToolkitOption {
    const char* name;
    bool takesValue;
};
constexpr std::array<ToolkitOption, 21> kToolkitOptions{{
    {"platform", true},     {"platformpluginpath", true}, {"platformtheme", true},
    {"plugin", true},       {"qmljsdebugger", true},      {"qwindowgeometry", true},
    {"qwindowicon", true},  {"qwindowtitle", true},       {"session", true},
    {"display", true},      {"geometry", true},           {"name", true},
    {"title", true},        {"visual", true},             {"style", true},
    {"stylesheet", true},   {"reverse", false},           {"nograb", false},
    {"dograb", false},      {"sync", false},              {"widgetcount", false},
}};

const ToolkitOption* toolkitOption(const QString& name) {
    for (const ToolkitOption& option : kToolkitOptions)
        if (name == QLatin1String(option.name)) return &option;
    return nullptr;
}

const QString kSeeHelp = QStringLiteral("\nСправка о параметрах: bivex --help");

// The argument as the user typed it for an option the parser names without its dashes.
QString typedOption(const QStringList& arguments, const QString& name) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) break;
        if (!argument.startsWith(QLatin1Char('-'))) continue;
        QString bare = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        bare = bare.section(QLatin1Char('='), 0, 0);
        if (bare == name) return argument.section(QLatin1Char('='), 0, 0);
    }
    return QStringLiteral("--") + name;
}

CommandLine refuse(const QString& message) {
    CommandLine command;
    command.action = CommandLine::Action::Refuse;
    command.error = QStringLiteral("bivex: ") + message + kSeeHelp;
    return command;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // Long option names with one dash, as the toolkit spells its own (-platform); the
    // short forms of ours are single letters, so nothing is lost.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption dump(QStringLiteral("dump"));
    const QCommandLineOption dumpMismatch(QStringLiteral("dump-mismatch"));
    const QCommandLineOption dos(QStringLiteral("dos"));
    const QCommandLineOption listMismatch(QStringLiteral("list-mismatch"));
    const QCommandLineOption listChanges(QStringLiteral("list-changes"));
    for (const QCommandLineOption& option : {help, version, dump, dumpMismatch, dos, listMismatch, listChanges})
        parser.addOption(option);
    for (const ToolkitOption& option : kToolkitOptions) {
        QCommandLineOption toolkit(QString::fromLatin1(option.name));
        if (option.takesValue) toolkit.setValueName(QStringLiteral("value"));
        parser.addOption(toolkit);
    }

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return refuse(QStringLiteral("неизвестный параметр «%1».")
                              .arg(typedOption(arguments, unknown.first())));
        // The only other failure: an option that takes a value came last.
        return refuse(QStringLiteral("после «%1» нужно значение.").arg(arguments.last()));
    }

    CommandLine command;
    if (parser.isSet(help)) {
        command.action = CommandLine::Action::Help;
        return command;
    }
    if (parser.isSet(version)) {
        command.action = CommandLine::Action::Version;
        return command;
    }

    const QStringList files = parser.positionalArguments();
    if (parser.isSet(listMismatch) && parser.isSet(listChanges))
        return refuse(QStringLiteral("«--list-mismatch» и «--list-changes» не задаются вместе."));
    if (parser.isSet(listMismatch) || parser.isSet(listChanges)) {
        const QString name = parser.isSet(listChanges) ? QStringLiteral("«--list-changes»") : QStringLiteral("«--list-mismatch»");
        if (parser.isSet(dump) || parser.isSet(dumpMismatch) || parser.isSet(dos))
            return refuse(name + QStringLiteral(" задаётся без «--dump», «--dump-mismatch» и «--dos»."));
        if (files.size() != 2 && files.size() != 3)
            return refuse(name + QStringLiteral(" ждёт имена ФАЙЛ_А ФАЙЛ_В [ВЫХОД]."));
        command.action = parser.isSet(listChanges) ? CommandLine::Action::ListChanges : CommandLine::Action::ListMismatch;
        command.files = files;
        return command;
    }
    if (parser.isSet(dump) && parser.isSet(dumpMismatch))
        return refuse(QStringLiteral("«--dump» и «--dump-mismatch» не задаются вместе."));
    if (parser.isSet(dump) || parser.isSet(dumpMismatch)) {
        const bool mismatch = parser.isSet(dumpMismatch);
        if (files.size() != (mismatch ? 3 : 2))
            return refuse(mismatch ? QStringLiteral("«--dump-mismatch» ждёт три имени: ФАЙЛ_А ФАЙЛ_В ВЫХОД.")
                                   : QStringLiteral("«--dump» ждёт два имени: ФАЙЛ ВЫХОД."));
        command.action = mismatch ? CommandLine::Action::DumpMismatch : CommandLine::Action::Dump;
        command.files = files;
        command.dos = parser.isSet(dos);
        return command;
    }
    if (parser.isSet(dos))
        return refuse(QStringLiteral("«--dos» задаётся только вместе с «--dump» или «--dump-mismatch»."));
    if (files.size() > 2) {
        command = refuse(QStringLiteral("можно открыть не больше двух файлов (файл А и файл В), указано %1.")
                             .arg(files.size()));
        command.refusalForWindow = true;
    } else {
        command.files = files;
    }

    command.toolkitArguments << (arguments.isEmpty() ? QStringLiteral("bivex") : arguments.first());
    QHash<QString, int> seen;  // how many values of each option have been handed on
    for (const QString& name : parser.optionNames()) {
        const ToolkitOption* option = toolkitOption(name);
        if (option == nullptr) continue;
        command.toolkitArguments << QLatin1Char('-') + name;
        if (option->takesValue) command.toolkitArguments << parser.values(name).value(seen[name]++);
    }
    return command;
}

bool userChoseStyle(const QStringList& toolkitArguments, const QByteArray& styleOverride) {
    return !styleOverride.isEmpty() || toolkitArguments.contains(QStringLiteral("-style"));
}

QString commandLineHelp(const QString& helpFile, bool helpFileFound) {
    QString text = QStringLiteral(
        "Использование: bivex [ПАРАМЕТРЫ] [--] [ФАЙЛ_А [ФАЙЛ_В]]\n"
        "       bivex [--dos] --dump ФАЙЛ ВЫХОД\n"
        "       bivex [--dos] --dump-mismatch ФАЙЛ_А ФАЙЛ_В ВЫХОД\n"
        "       bivex --list-mismatch ФАЙЛ_А ФАЙЛ_В [ВЫХОД]\n"
        "       bivex --list-changes ФАЙЛ_А ФАЙЛ_В [ВЫХОД]\n"
        "\n"
        "Bivex — побайтовый просмотр, сравнение и правка двух файлов.\n"
        "ФАЙЛ_А открывается как командой «Открыть файла А», ФАЙЛ_В — как командой\n"
        "«Открыть файла B»; на экране остаётся файл А. Без файлов окно открывается пустым.\n"
        "\n"
        "Параметры:\n"
        "  -h, --help       показать эту справку и выйти\n"
        "  -v, --version    показать версию программы и выйти\n"
        "  --               дальше только имена файлов (для имён, начинающихся с «-»)\n"
        "\n"
        "Дампы без окна (как «Сохранить как ...» → «Файл» и «Несовпадения»):\n"
        "  --dump ФАЙЛ ВЫХОД                    дамп всего файла\n"
        "  --dump-mismatch ФАЙЛ_А ФАЙЛ_В ВЫХОД  строки, в которых файлы А и В различаются\n"
        "                                       (показаны байты файла А)\n"
        "  --dos                                символы, как при «Формат файла - DOS»\n"
        "ВЫХОД «-» — стандартный вывод. Входной файл в ВЫХОД не записывается.\n"
        "\n"
        "Список несовпадений без окна (как «Сервис» → «Список несовпадений»):\n"
        "  --list-mismatch ФАЙЛ_А ФАЙЛ_В [ВЫХОД]\n"
        "      по строке на участок несовпадения: «АДРЕС ДЛИНА» (адрес шестнадцатеричный,\n"
        "      длина десятичная); если файлы разной длины, где кончился более\n"
        "      короткий, говорится в стандартном потоке ошибок;\n"
        "      без ВЫХОДА или с «-» — в стандартный вывод. Код выхода: 0 — файлы равны,\n"
        "      1 — различаются, 2 — ошибка.\n"
        "\n"
        "Список изменений без окна (со вставками и удалениями байтов):\n"
        "  --list-changes ФАЙЛ_А ФАЙЛ_В [ВЫХОД]\n"
        "      по строке на изменение: «АДРЕС_А ДЛИНА_А АДРЕС_В ДЛИНА_В» (адреса\n"
        "      шестнадцатеричные, длины десятичные) — замена, вставка в файл В (ДЛИНА_А 0)\n"
        "      или удаление из файла А (ДЛИНА_В 0); между изменениями файлы совпадают.\n"
        "      ВЫХОД и коды выхода — как у --list-mismatch.\n"
        "\n"
        "Принимаются и стандартные параметры Qt: -platform, -style, -session и другие.\n"
        "\n"
        "Код выхода (кроме --list-mismatch и --list-changes): 0 — успешно, 1 — дамп не записан (сообщение\n"
        "в стандартном потоке ошибок), 2 — ошибка в командной строке.\n"
        "\n");
    text += helpFileFound ? QStringLiteral("Справка программы (F1): ")
                          : QStringLiteral("Справка программы (F1) не найдена: ");
    return text + helpFile + QLatin1Char('\n');
}

QString commandLineVersion() {
    return QStringLiteral("Bivex ") + QStringLiteral(BIVEX_VERSION) + QLatin1Char('\n');
}
