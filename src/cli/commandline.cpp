#include "cli/commandline.h"

#include <QCoreApplication>
#include <QHash>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CommandLine", text);
}

const QHash<QString, CommandLine::Command> &commandWords()
{
    static const QHash<QString, CommandLine::Command> words{
        {QStringLiteral("send"), CommandLine::Send},       {QStringLiteral("list"), CommandLine::List},
        {QStringLiteral("backup"), CommandLine::Backup},   {QStringLiteral("restore"), CommandLine::Restore},
        {QStringLiteral("sites"), CommandLine::Sites},     {QStringLiteral("--help"), CommandLine::Help},
        {QStringLiteral("--version"), CommandLine::Version}};
    return words;
}

// The options each command takes; those with a value are marked by a trailing '='.
QStringList optionsOf(CommandLine::Command command)
{
    const QStringList connecting{"--site=", "--login=", "--password-file=", "--accept-host-key=", "--quiet"};
    switch (command) {
    case CommandLine::Send:
        return connecting + QStringList{"--date=", "--yes", "--due", "--all-sites"};
    case CommandLine::List:
        return connecting;
    case CommandLine::Backup:
    case CommandLine::Restore:
        return connecting + QStringList{"--yes"};
    default:
        return {};
    }
}

void setOption(CommandLine &line, const QString &name, const QString &value)
{
    if (name == QLatin1String("--site"))
        line.site = value;
    else if (name == QLatin1String("--login"))
        line.login = value;
    else if (name == QLatin1String("--password-file"))
        line.passwordFile = value;
    else if (name == QLatin1String("--accept-host-key"))
        line.acceptedKey = value;
    else if (name == QLatin1String("--quiet"))
        line.quiet = true;
    else if (name == QLatin1String("--yes"))
        line.yes = true;
    else if (name == QLatin1String("--due"))
        line.due = true;
    else if (name == QLatin1String("--all-sites"))
        line.allSites = true;
    else if (name == QLatin1String("--date"))
        line.date = QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd hh:mm"));
}

// What the parsed words still lack or hold in conflict; empty when they make a command.
QString conflict(const CommandLine &line, const QStringList &files)
{
    if (!line.acceptedKey.isEmpty() && !line.acceptedKey.startsWith(QLatin1String("SHA256:")))
        return tr("--accept-host-key ждёт отпечаток ключа вида SHA256:…");
    const int wanted = line.command == CommandLine::Backup || line.command == CommandLine::Restore ? 1 : 0;
    if (line.command == CommandLine::Send) {
        if (line.due && (!files.isEmpty() || line.date.isValid()))
            return tr("send --due отправляет очередь: ни файла, ни --date ему не нужно.");
        if (line.allSites && !line.due)
            return tr("--all-sites только вместе с --due.");
        if (line.allSites && !line.site.isEmpty())
            return tr("--all-sites и --site вместе не бывают.");
        if (files.size() > 1)
            return tr("Лишнее слово: %1").arg(files.at(1));
    } else if (files.size() != wanted) {
        return files.size() > wanted ? tr("Лишнее слово: %1").arg(files.at(wanted)) : tr("Не указан файл.");
    }
    return QString();
}

} // namespace

bool wantsCommandLine(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return false;
    const QString &first = arguments.first();
    return !first.startsWith(QLatin1Char('-')) || first.startsWith(QLatin1String("--"));
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    if (arguments.contains(QLatin1String("--help"))) {
        line.command = CommandLine::Help;
        return line;
    }
    const QString word = arguments.value(0);
    line.command = commandWords().value(word, CommandLine::Window);
    if (line.command == CommandLine::Window) {
        line.problem = word.isEmpty() ? tr("Не указана команда.") : tr("Неизвестная команда: %1").arg(word);
        return line;
    }
    const QStringList options = optionsOf(line.command);
    QStringList files;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--")) || argument == QLatin1String("--")) {
            if (argument != QLatin1String("--"))
                files << argument;
            else
                files << arguments.mid(i + 1);
            if (argument == QLatin1String("--"))
                break;
            continue;
        }
        const int equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (options.contains(name)) {
            if (equals >= 0) {
                line.problem = tr("Параметр %1 не принимает значения.").arg(name);
                return line;
            }
            setOption(line, name, QString());
            continue;
        }
        if (!options.contains(name + QLatin1Char('='))) {
            line.problem = tr("Неизвестный параметр: %1").arg(name);
            return line;
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments.at(++i);
        } else {
            line.problem = tr("Параметру %1 нужно значение.").arg(name);
            return line;
        }
        setOption(line, name, value);
        if (name == QLatin1String("--date") && !line.date.isValid()) {
            line.problem = tr("Дата не в виде «ГГГГ-ММ-ДД чч:мм»: %1").arg(value);
            return line;
        }
    }
    line.problem = conflict(line, files);
    line.file = files.value(0);
    return line;
}

QString usageText()
{
    return tr("Использование:\n"
              "  newsadder                          окно программы\n"
              "  newsadder send [--site ИМЯ] [--date \"ГГГГ-ММ-ДД чч:мм\"] [ФАЙЛ]\n"
              "                                     новость из ФАЙЛА или со стандартного ввода (UTF-8)\n"
              "  newsadder send --due [--all-sites] новости из очереди, чьё время пришло\n"
              "  newsadder list [--site ИМЯ]        опубликованные новости, новые первыми\n"
              "  newsadder backup ФАЙЛ              страница с сервера в ФАЙЛ\n"
              "  newsadder restore ФАЙЛ             ФАЙЛ на сервер вместо страницы\n"
              "  newsadder sites                    имена сайтов\n"
              "  newsadder --help | --version\n"
              "\n"
              "Параметры:\n"
              "  --login ЛОГИН            логин; без него последний, с которым публиковали\n"
              "  --password-file ФАЙЛ     пароль из файла, закрытого от других пользователей;\n"
              "                           иначе сохранённый в хранилище паролей или NEWSADDER_PASSWORD\n"
              "  --accept-host-key SHA256:…  доверять ключу SSH-сервера с этим отпечатком\n"
              "  --yes                    публиковать повторную или пустую новость, отправлять без\n"
              "                           резервной копии\n"
              "  --quiet                  только сообщения об ошибках\n"
              "\n"
              "Коды завершения: 0 сделано, 1 ошибка, 2 неверная команда, 3 отказано (вопрос, который\n"
              "некому задать, нет пароля, ключ сервера не подтверждён), 4 прервано сигналом.\n");
}
