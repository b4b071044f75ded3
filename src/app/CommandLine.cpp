#include "CommandLine.h"

#include <QCommandLineParser>
#include <QHash>

#include <array>
#include <cstring>
#include <limits>
#include <optional>

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

// A count of bytes as cmp reads one from `at`: blanks, a sign (only zero may be negative),
// a number in C's notation (0x… hexadecimal, 0… octal) and a multiplier — k or K, M, G, T,
// P, E, Z, Y: powers of 1024, or of 1000 with "B" after them ("iB" says 1024 again). `at`
// is left past it; what follows is the caller's. Nothing for anything else, a count beyond
// 64-bit included.
std::optional<std::int64_t> byteCount(const QString& text, qsizetype& at) {
    constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
    const auto is = [&](qsizetype i, char c) { return i < text.size() && text[i] == QLatin1Char(c); };
    const auto digit = [&](qsizetype i, int base) {
        const char16_t c = i < text.size() ? text[i].unicode() : 0;
        const char16_t lower = c | 0x20;
        const int d = c >= '0' && c <= '9' ? c - '0' : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
        return d < base ? d : -1;
    };
    const auto blank = [&](qsizetype i) {
        const char16_t c = i < text.size() ? text[i].unicode() : 0;
        return c == ' ' || (c >= '\t' && c <= '\r');
    };
    while (blank(at)) ++at;
    const bool negative = is(at, '-');
    if (negative || is(at, '+')) ++at;
    int base = 10;
    if (is(at, '0')) {
        base = 8;
        if ((is(at + 1, 'x') || is(at + 1, 'X')) && digit(at + 2, 16) >= 0) {
            base = 16;
            at += 2;
        }
    }
    std::int64_t value = 0;
    const qsizetype first = at;
    for (int d; (d = digit(at, base)) >= 0; ++at) {
        if (value > (kLargest - d) / base) return std::nullopt;
        value = value * base + d;
    }
    if (at == first || (negative && value != 0)) return std::nullopt;
    static const char kPowers[] = "KMGTPEZY";
    const char letter = at < text.size() ? char(text[at].toLatin1()) : 0;
    if (const char* power = letter ? std::strchr(kPowers, letter == 'k' ? 'K' : letter) : nullptr) {
        ++at;
        std::int64_t unit = 1024;
        if (is(at, 'B')) {
            unit = 1000;
            ++at;
        } else if (is(at, 'i') && is(at + 1, 'B')) {
            at += 2;
        }
        for (auto k = power - kPowers; k >= 0; --k) {
            if (value > kLargest / unit) return std::nullopt;
            value *= unit;
        }
    }
    return value;
}

// The values of -i (SKIP or SKIP1:SKIP2; the largest given counts for each file, as in cmp)
// and -n (the smallest counts) into `range`. At the first value that is no count: false,
// and `wrong` says which.
bool readRange(const QStringList& skips, const QStringList& limits, CompareRange& range, QString& wrong) {
    for (const QString& value : skips) {
        qsizetype at = 0;
        const std::optional<std::int64_t> skipA = byteCount(value, at);
        std::optional<std::int64_t> skipB = skipA;
        if (skipA && at < value.size() && value[at] == QLatin1Char(':')) {
            ++at;
            skipB = byteCount(value, at);
        }
        wrong = QStringLiteral("«%1» у -i (--ignore-initial)").arg(value);
        if (!skipB || at != value.size()) return false;
        range.skipA = std::max(range.skipA, *skipA);
        range.skipB = std::max(range.skipB, *skipB);
    }
    for (const QString& value : limits) {
        qsizetype at = 0;
        const std::optional<std::int64_t> limit = byteCount(value, at);
        wrong = QStringLiteral("«%1» у -n (--bytes)").arg(value);
        if (!limit || at != value.size()) return false;
        range.limit = std::min(range.limit, *limit);
    }
    return true;
}

CommandLine refuse(const QString& message) {
    CommandLine command;
    command.action = CommandLine::Action::Refuse;
    command.error = QStringLiteral("bivex: ") + message + kSeeHelp;
    return command;
}

}  // namespace

// "-i5" and "-n1K" as cmp takes them: the option and its value glued together, split here
// for the parser ("-i=5" too, whose value is "=5" there). A word that names an option whole
// (the toolkit's -name, -nograb) stays.
QStringList splitGluedValues(const QStringList& arguments, const QStringList& optionNames) {
    QStringList split;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) {
            split += arguments.mid(i);
            break;
        }
        const QString name = argument.mid(1).section(QLatin1Char('='), 0, 0);
        const bool glued = i > 0 && argument.size() > 2 &&
                           (argument.startsWith(QLatin1String("-i")) || argument.startsWith(QLatin1String("-n"))) &&
                           !(name.size() > 1 && optionNames.contains(name));
        if (glued)
            split << argument.left(2) << argument.mid(2);
        else
            split << argument;
    }
    return split;
}

CommandLine parseCommandLine(const QStringList& typed) {
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
    const QCommandLineOption writePatch(QStringLiteral("write-patch"));
    const QCommandLineOption applyPatch(QStringLiteral("apply-patch"));
    const QCommandLineOption ignoreInitial(QStringList{QStringLiteral("i"), QStringLiteral("ignore-initial")},
                                           QString(), QStringLiteral("SKIP"));
    const QCommandLineOption bytes(QStringList{QStringLiteral("n"), QStringLiteral("bytes")}, QString(),
                                   QStringLiteral("LIMIT"));
    QStringList optionNames;
    for (const QCommandLineOption& option : {help, version, dump, dumpMismatch, dos, listMismatch, listChanges,
                                             writePatch, applyPatch, ignoreInitial, bytes}) {
        parser.addOption(option);
        optionNames += option.names();
    }
    for (const ToolkitOption& option : kToolkitOptions) {
        QCommandLineOption toolkit(QString::fromLatin1(option.name));
        if (option.takesValue) toolkit.setValueName(QStringLiteral("value"));
        parser.addOption(toolkit);
        optionNames += toolkit.names();
    }
    const QStringList arguments = splitGluedValues(typed, optionNames);

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
    if ((parser.isSet(ignoreInitial) || parser.isSet(bytes)) && !parser.isSet(listMismatch) && !parser.isSet(listChanges))
        return refuse(QStringLiteral("«-i» и «-n» задаются только вместе с «--list-mismatch» или «--list-changes»."));
    if (parser.isSet(writePatch) && parser.isSet(applyPatch))
        return refuse(QStringLiteral("«--write-patch» и «--apply-patch» не задаются вместе."));
    if (parser.isSet(writePatch) || parser.isSet(applyPatch)) {
        const bool apply = parser.isSet(applyPatch);
        const QString name = apply ? QStringLiteral("«--apply-patch»") : QStringLiteral("«--write-patch»");
        for (const QCommandLineOption* other : {&dump, &dumpMismatch, &dos, &listMismatch, &listChanges})
            if (parser.isSet(*other))
                return refuse(name + QStringLiteral(" и «--") + other->names().constFirst() +
                              QStringLiteral("» не задаются вместе."));
        if (files.size() != 3)
            return refuse(apply ? QStringLiteral("«--apply-patch» ждёт три имени: ФАЙЛ_А ДЕЛЬТА ВЫХОД.")
                                : QStringLiteral("«--write-patch» ждёт три имени: ФАЙЛ_А ФАЙЛ_В ДЕЛЬТА."));
        command.action = apply ? CommandLine::Action::ApplyPatch : CommandLine::Action::WritePatch;
        command.files = files;
        return command;
    }
    if (parser.isSet(listMismatch) && parser.isSet(listChanges))
        return refuse(QStringLiteral("«--list-mismatch» и «--list-changes» не задаются вместе."));
    if (parser.isSet(listMismatch) || parser.isSet(listChanges)) {
        const QString name = parser.isSet(listChanges) ? QStringLiteral("«--list-changes»") : QStringLiteral("«--list-mismatch»");
        if (parser.isSet(dump) || parser.isSet(dumpMismatch) || parser.isSet(dos))
            return refuse(name + QStringLiteral(" задаётся без «--dump», «--dump-mismatch» и «--dos»."));
        if (files.size() != 2 && files.size() != 3)
            return refuse(name + QStringLiteral(" ждёт имена ФАЙЛ_А ФАЙЛ_В [ВЫХОД]."));
        QString wrong;
        if (!readRange(parser.values(ignoreInitial), parser.values(bytes), command.range, wrong))
            return refuse(QStringLiteral("неверное значение %1: нужно число байтов не меньше 0, можно с "
                                         "множителем kB, K, MB, M, GB, G…")
                              .arg(wrong));
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
        "       bivex --list-mismatch [-i ПРОПУСК_А[:ПРОПУСК_В]] [-n ПРЕДЕЛ]\n"
        "             ФАЙЛ_А ФАЙЛ_В [ВЫХОД]\n"
        "       bivex --list-changes [-i ПРОПУСК_А[:ПРОПУСК_В]] [-n ПРЕДЕЛ]\n"
        "             ФАЙЛ_А ФАЙЛ_В [ВЫХОД]\n"
        "       bivex --write-patch ФАЙЛ_А ФАЙЛ_В ДЕЛЬТА\n"
        "       bivex --apply-patch ФАЙЛ_А ДЕЛЬТА ВЫХОД\n"
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
        "      длина десятичная); если один файл кончился раньше другого, об этом\n"
        "      говорится в стандартном потоке ошибок;\n"
        "      без ВЫХОДА или с «-» — в стандартный вывод. Код выхода: 0 — файлы равны,\n"
        "      1 — различаются, 2 — ошибка.\n"
        "  -i, --ignore-initial=ПРОПУСК_А[:ПРОПУСК_В]\n"
        "      сравнивать файл А с байта ПРОПУСК_А, файл В — с байта ПРОПУСК_В (без него —\n"
        "      тоже с ПРОПУСК_А), как cmp -i; адреса в списке — адреса файла А\n"
        "  -n, --bytes=ПРЕДЕЛ  сравнивать не больше ПРЕДЕЛА байтов, как cmp -n\n"
        "      Числа — как у cmp: 100, 0x64 (шестнадцатеричное), 0144 (восьмеричное), с\n"
        "      множителем kB = 1000, K = KiB = 1024, MB, M, GB, G, TB, T, PB, P, EB, E.\n"
        "\n"
        "Список изменений без окна (со вставками и удалениями байтов):\n"
        "  --list-changes ФАЙЛ_А ФАЙЛ_В [ВЫХОД]\n"
        "      по строке на изменение: «АДРЕС_А ДЛИНА_А АДРЕС_В ДЛИНА_В» (адреса\n"
        "      шестнадцатеричные, длины десятичные) — замена, вставка в файл В (ДЛИНА_А 0)\n"
        "      или удаление из файла А (ДЛИНА_В 0); между изменениями файлы совпадают.\n"
        "      ВЫХОД, коды выхода, -i и -n — как у --list-mismatch; адреса — каждого файла свои.\n"
        "\n"
        "Дельта VCDIFF (RFC 3284), которую применяют xdelta3 и другие программы VCDIFF:\n"
        "  --write-patch ФАЙЛ_А ФАЙЛ_В ДЕЛЬТА\n"
        "      записывает дельту, которая превращает файл А в файл В (без вторичного\n"
        "      сжатия, с контрольной суммой Adler-32 каждого окна). Применить её:\n"
        "        xdelta3 -d -s ФАЙЛ_А ДЕЛЬТА НОВЫЙ_ФАЙЛ\n"
        "  --apply-patch ФАЙЛ_А ДЕЛЬТА ВЫХОД\n"
        "      применяет дельту к файлу А и записывает результат в ВЫХОД: нашу или\n"
        "      записанную командой «xdelta3 -e -S none -s ФАЙЛ_А ФАЙЛ_В ДЕЛЬТА».\n"
        "      Дельта для другого файла А, повреждённая или со сжатием не применяется.\n"
        "  ДЕЛЬТА и ВЫХОД пишутся рядом и встают на место только целиком; входной файл\n"
        "  в них не записывается. Код выхода: 0 — записано, 2 — ошибка.\n"
        "\n"
        "Принимаются и стандартные параметры Qt: -platform, -style, -session и другие.\n"
        "\n"
        "Код выхода (кроме --list-mismatch, --list-changes, --write-patch и --apply-patch):\n"
        "0 — успешно, 1 — дамп не записан (сообщение в стандартном потоке ошибок),\n"
        "2 — ошибка в командной строке.\n"
        "\n");
    text += helpFileFound ? QStringLiteral("Справка программы (F1): ")
                          : QStringLiteral("Справка программы (F1) не найдена: ");
    return text + helpFile + QLatin1Char('\n');
}

QString commandLineVersion() {
    return QStringLiteral("Bivex ") + QStringLiteral(BIVEX_VERSION) + QLatin1Char('\n');
}
