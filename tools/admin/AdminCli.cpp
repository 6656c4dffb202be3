#include "AdminCli.h"

#include <algorithm>
#include <variant>

#include "text/StringHelpers.h"

namespace {
const QString kTool = QStringLiteral("numorika-admin");
constexpr int kColumns = 80;

bool IsHelp(const QString& argument) {
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

// Whether an operand, named without the brackets of an optional one, stands for a path. Plain
// comparisons: a pattern would be compiled on every run of the tool, for a few words.
bool NamesPath(const QString& name) {
    return QStringList{QStringLiteral("BASE"),   QStringLiteral("FILE"),   QStringLiteral("DIR"),
                       QStringLiteral("SOURCE"), QStringLiteral("TARGET"), QStringLiteral("OLD"),
                       QStringLiteral("NEW")}
        .contains(name);
}

QString UsageError(const QString& problem, const QString& subcommand = {}) {
    return problem + QStringLiteral("詳しくは ") + kTool +
           (subcommand.isEmpty() ? QString() : QLatin1Char(' ') + subcommand) +
           QStringLiteral(" --help") + QLatin1Char('\n');
}

// The words of a synopsis: the subcommand, its operands, then each option in brackets.
QStringList SynopsisWords(const AdminSubcommand& subcommand) {
    QStringList words = QStringList{kTool, subcommand.name} + subcommand.operands;
    for (const AdminOption& option : subcommand.options) {
        words << QStringLiteral("[%1]").arg(
            option.valueName.isEmpty() ? option.name
                                       : option.name + QLatin1Char(' ') + option.valueName);
    }
    return words;
}

// Words laid into lines of at most kColumns, the first after lead, the others indented under it.
QString Wrapped(const QStringList& words, const QString& lead, int indent) {
    QString text = lead;
    int width = ShiftJisLength(lead);
    bool first = true;
    for (const QString& word : words) {
        const int length = ShiftJisLength(word);
        if (!first && width + 1 + length > kColumns) {
            text += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            width = indent;
        } else if (!first) {
            text += QLatin1Char(' ');
            ++width;
        }
        text += word;
        width += length;
        first = false;
    }
    return text + QLatin1Char('\n');
}

QString Indented(const QString& lines, int indent) {
    QString text;
    for (const QString& line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        text += QString(indent, QLatin1Char(' ')) + line + QLatin1Char('\n');
    }
    return text;
}

const AdminSubcommand* Find(const QList<AdminSubcommand>& table, const QStringList& arguments) {
    const AdminSubcommand* found = nullptr;
    for (const AdminSubcommand& subcommand : table) {
        const QStringList words = subcommand.name.split(QLatin1Char(' '));
        if (arguments.mid(0, words.size()) == words &&
            (!found || words.size() > found->name.count(QLatin1Char(' ')) + 1)) {
            found = &subcommand;
        }
    }
    return found;
}

QList<const AdminSubcommand*> Group(const QList<AdminSubcommand>& table, const QString& word) {
    QList<const AdminSubcommand*> members;
    for (const AdminSubcommand& subcommand : table) {
        if (subcommand.name.startsWith(word + QLatin1Char(' '))) {
            members << &subcommand;
        }
    }
    return members;
}

// The command line after the subcommand's words, against its row; the problem when it does
// not fit.
std::variant<AdminCall, QString> Parse(const AdminSubcommand& subcommand,
                                       const QStringList& arguments) {
    AdminCall call;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnd && argument == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        if (optionsEnd || !argument.startsWith(QLatin1Char('-'))) {
            call.operands << argument;
            continue;
        }
        const auto option =
            std::find_if(subcommand.options.begin(), subcommand.options.end(),
                         [&](const AdminOption& known) { return known.name == argument; });
        if (option == subcommand.options.end()) {
            return QStringLiteral("「%1」は %2 のオプションではありません。")
                .arg(argument, subcommand.name);
        }
        QString value;
        if (!option->valueName.isEmpty()) {
            value = arguments.value(++i);
            if (i >= arguments.size() || value.startsWith(QLatin1Char('-'))) {
                return QStringLiteral("%1 の後に %2 を指定してください。")
                    .arg(option->name, option->valueName);
            }
            if (value.isEmpty()) {
                return QStringLiteral("%1 の %2 が空です。").arg(option->name, option->valueName);
            }
        }
        call.options.insert(option->name, value);
        call.given << option->name;
        if (!option->valueName.isEmpty()) {
            call.given << value;
        }
    }
    qsizetype required = 0;
    bool repeats = false;
    for (const QString& operand : subcommand.operands) {
        required += operand.startsWith(QLatin1Char('[')) ? 0 : 1;
        repeats = repeats || operand.endsWith(QStringLiteral("..."));
    }
    if (call.operands.size() < required) {
        return QStringLiteral("%1 を指定してください。")
            .arg(QString(subcommand.operands[call.operands.size()]).remove(QStringLiteral("...")));
    }
    if (!repeats && call.operands.size() > subcommand.operands.size()) {
        return QStringLiteral("余分な引数「%1」が有ります。")
            .arg(call.operands[subcommand.operands.size()]);
    }
    for (qsizetype i = 0; i < call.operands.size() && i < subcommand.operands.size(); ++i) {
        const QString name =
            QString(subcommand.operands[i]).remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        if (NamesPath(name) && call.operands[i].isEmpty()) {
            return QStringLiteral("%1 が空です。").arg(name);
        }
        // Only after "--" can a path start with '-': it is still not taken for one.
        if (NamesPath(name) && call.operands[i].startsWith(QLatin1Char('-'))) {
            return QStringLiteral("「%1」は %2 になりません (./%1 なら可)。")
                .arg(call.operands[i], name);
        }
    }
    return call;
}

// Text of roff: backslashes and minus signs escaped, no line taken for a request.
QString Roff(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\e")).replace(QLatin1Char('-'), "\\-");
    QStringList lines = escaped.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.startsWith(QLatin1Char('.')) || line.startsWith(QLatin1Char('\''))) {
            line.prepend(QStringLiteral("\\&"));
        }
    }
    return lines.join(QLatin1Char('\n'));
}
}  // namespace

QString AdminVersion() {
    return QStringLiteral(NUMORIKA_VERSION);
}

QString SubcommandUsage(const AdminSubcommand& subcommand) {
    return Wrapped(SynopsisWords(subcommand), QStringLiteral("使い方: "),
                   ShiftJisLength(QStringLiteral("使い方: ") + kTool + QLatin1Char(' '))) +
           Indented(subcommand.description, 2);
}

QString ToolUsage(const QList<AdminSubcommand>& table) {
    QString text = QStringLiteral(
                       "使い方: %1 コマンド [引数...]\n"
                       "        %1 コマンド --help   (コマンドの使い方)\n"
                       "        %1 --version\n"
                       "ヌモリカ のインストールを作成し、確かめ、バックアップし、\n"
                       "担当者のメニューと暗証番号を扱います。\n\n"
                       "コマンド:\n")
                       .arg(kTool);
    for (const AdminSubcommand& subcommand : table) {
        text += Wrapped(SynopsisWords(subcommand), QStringLiteral("  "), 4);
        text += Indented(subcommand.description, 6);
    }
    return text + QStringLiteral(
                      "\n終了状態: 0 完了, 1 対象が無い (check では起動できない),\n"
                      "          2 使い方の誤り、拒否、または失敗\n");
}

int RunSubcommands(const QList<AdminSubcommand>& table, const QStringList& arguments,
                   AdminStreams& io) {
    const QString first = arguments.value(0);
    if (arguments.isEmpty()) {
        io.err << UsageError(QStringLiteral("コマンドを指定してください。"));
        return kUsageError;
    }
    if (IsHelp(first)) {
        io.out << ToolUsage(table);
        return 0;
    }
    if (first == QLatin1String("--version")) {
        io.out << kTool << QLatin1Char(' ') << AdminVersion() << '\n';
        return 0;
    }
    const AdminSubcommand* subcommand = Find(table, arguments);
    if (!subcommand) {
        const auto group = Group(table, first);
        if (group.isEmpty()) {
            io.err << UsageError(
                first.startsWith(QLatin1Char('-'))
                    ? QStringLiteral("「%1」はオプションではありません。").arg(first)
                    : QStringLiteral("「%1」というコマンドは有りません。").arg(first));
            return kUsageError;
        }
        if (IsHelp(arguments.value(1))) {
            for (const AdminSubcommand* member : group) {
                io.out << SubcommandUsage(*member);
            }
            return 0;
        }
        QStringList words;
        for (const AdminSubcommand* member : group) {
            words << member->name.section(QLatin1Char(' '), 1);
        }
        io.err << UsageError(
            arguments.size() < 2
                ? QStringLiteral("%1 の後に %2 のどれかを指定してください。")
                      .arg(first, words.join(QStringLiteral(", ")))
                : QStringLiteral("「%1」は %2 のコマンドではありません。").arg(arguments[1], first),
            first);
        return kUsageError;
    }
    const QStringList rest = arguments.mid(subcommand->name.count(QLatin1Char(' ')) + 1);
    const qsizetype end = rest.indexOf(QStringLiteral("--"));
    const QStringList options = end < 0 ? rest : rest.mid(0, end);
    // Asked for help, the subcommand only shows its usage, whatever else the line holds.
    if (std::any_of(options.begin(), options.end(), IsHelp)) {
        io.out << SubcommandUsage(*subcommand);
        return 0;
    }
    const auto parsed = Parse(*subcommand, rest);
    if (const QString* problem = std::get_if<QString>(&parsed)) {
        io.err << UsageError(*problem, subcommand->name);
        return kUsageError;
    }
    return subcommand->run(std::get<AdminCall>(parsed), io);
}

QString ManualPage(const QList<AdminSubcommand>& table) {
    QString page =
        QStringLiteral(
            ".TH NUMORIKA\\-ADMIN 1 \"\" \"numorika %1\" \"ヌモリカ\"\n"
            // Japanese has no blanks to stretch: lines are not justified.
            ".ad l\n"
            ".SH 名前\n"
            "numorika\\-admin \\- ヌモリカ のインストールの管理ツール\n"
            ".SH 書式\n"
            ".B numorika\\-admin\n.I コマンド\n[\\fI引数\\fR...]\n.br\n"
            ".B numorika\\-admin\n.I コマンド\n.B \\-\\-help\n.br\n"
            ".B numorika\\-admin \\-\\-help\n.br\n"
            ".B numorika\\-admin \\-\\-version\n"
            ".SH 説明\n"
            "ヌモリカマイメニュ と ヌモリカ 販売管理の共有インストール (BASE) を作成し、\n.br\n"
            "確かめ、バックアップし、担当者のメニューと暗証番号を扱います。\n.PP\n"
            "暗証番号は標準入力からだけ読みます (端末では入力を表示しません)。\n.br\n"
            "\\- で始まる引数はフォルダやファイルの名前に取りません。\n"
            ".SH コマンド\n")
            .arg(AdminVersion());
    for (const AdminSubcommand& subcommand : table) {
        // The usage's own lines, each kept as it is.
        page += QStringLiteral(".TP\n.B ") + Roff(SynopsisWords(subcommand).join(' ')) + '\n' +
                Roff(subcommand.description).replace('\n', QStringLiteral("\n.br\n")) + '\n';
    }
    page += QStringLiteral(
        ".SH オプション\n"
        ".TP\n.BR \\-h \", \" \\-\\-help\n"
        "使い方を標準出力に表示して終了します (終了状態 0)。\n.br\n"
        "コマンドの後ではそのコマンドの使い方を表示し、何も実行しません。\n"
        ".TP\n.B \\-\\-version\nバージョンを表示します。\n"
        ".TP\n.B \\-\\-\nこれより後の引数はオプションとして読みません。\n"
        ".SH 終了ステータス\n"
        ".TP\n.B 0\n完了。\n"
        ".TP\n.B 1\n対象が無い (ボタンに設定が無い、担当者が無い、バックアップの対象データが\n.br\n"
        "無い)。check では、メニューが起動できない。\n"
        ".TP\n.B 2\n使い方の誤り (問題を一行と \"詳しくは numorika\\-admin コマンド \\-\\-help\" "
        "を標準エラー出力に表示)、拒否、または失敗。backup では件数の不一致も。\n"
        ".SH ファイル\n"
        ".TP\n.I /usr/lib/numorika/\ninit が BASE/prgbin にインストールするメニュー、"
        "動作環境設定.exe とデモプログラム。\n"
        ".TP\n.I BASE/conf/usrcnfg.accdb\n設定データベース (SQLite)。\n"
        ".TP\n.I BASE/data/gnrdb.accdb\n業務データベース (SQLite)。\n"
        ".TP\n.I /usr/share/numorika/numorika.desktop.in\n"
        "デスクトップエントリのひな形 (desktop\\-entry が使います)。\n"
        ".TP\n.I /etc/numorika/registry\\-hklm.json\nAccess の登録を読むレジストリ (マシン)。\n"
        ".TP\n.I /usr/lib/systemd/system/numorika\\-backup@.timer\n"
        "予定のバックアップを毎時確かめるタイマー。\n"
        ".SH 例\n"
        "新しいインストールを作成し、確かめます:\n"
        ".PP\n.nf\n"
        "numorika\\-admin init /srv/numorika\n"
        "numorika\\-admin check /srv/numorika\n"
        ".fi\n.PP\n"
        "担当者 00012 の暗証番号を設定し、メニューを同僚に写します:\n"
        ".PP\n.nf\n"
        "numorika\\-admin pin set /srv/numorika 00012\n"
        "numorika\\-admin menu copy /srv/numorika 00012 00013 00014\n"
        ".fi\n.PP\n"
        "予定のバックアップを systemd で毎時確かめます:\n"
        ".PP\n.nf\n"
        "systemctl enable \\-\\-now numorika\\-backup@$(systemd\\-escape \\-\\-path "
        "/srv/numorika).timer\n"
        ".fi\n"
        ".SH 関連項目\n"
        ".BR systemd.timer (5)\n");
    return page;
}

QString BashCompletion(const QList<AdminSubcommand>& table) {
    QStringList firstWords;
    QString groups;
    QString options;
    QString operands;
    QStringList valued;
    QStringList folders;
    for (const AdminSubcommand& subcommand : table) {
        for (const AdminOption& option : subcommand.options) {
            QStringList& kind = option.valueName == QLatin1String("DIR") ? folders : valued;
            if (!option.valueName.isEmpty() && !kind.contains(option.name)) {
                kind << option.name;
            }
        }
        const QString word = subcommand.name.section(QLatin1Char(' '), 0, 0);
        if (!firstWords.contains(word)) {
            firstWords << word;
            const auto group = Group(table, word);
            QStringList members;
            for (const AdminSubcommand* member : group) {
                members << member->name.section(QLatin1Char(' '), 1);
            }
            if (!members.isEmpty()) {
                // A word that is a command of its own as well takes its operand there too.
                const AdminSubcommand* alone = Find(table, {word});
                groups += QStringLiteral("        %1) words=\"%2\" alone=%3 ;;\n")
                              .arg(word, members.join(QLatin1Char(' ')),
                                   alone != nullptr && alone->name == word ? QStringLiteral("1")
                                                                           : QString());
            }
        }
        QStringList names{QStringLiteral("--help")};
        for (const AdminOption& option : subcommand.options) {
            names << option.name;
        }
        options += QStringLiteral("        \"%1\") options=\"%2\" ;;\n")
                       .arg(subcommand.name, names.join(QLatin1Char(' ')));
        operands += QStringLiteral("        \"%1\") operands=(%2) ;;\n")
                        .arg(subcommand.name, subcommand.operands.join(QLatin1Char(' ')));
    }
    return QStringLiteral(
               "# bash completion for numorika-admin (made from its usage table)\n"
               "_numorika_admin() {\n"
               "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
               "    local words=\"\" alone=\"\" command=${COMP_WORDS[1]:-} start=2\n"
               "    if [[ $COMP_CWORD -eq 1 ]]; then\n"
               "        mapfile -t COMPREPLY < <(compgen -W \"%1 --help --version\" -- \"$cur\")\n"
               "        return\n"
               "    fi\n"
               "    case $command in\n%2"
               "    esac\n"
               "    if [[ -n $words ]]; then\n"
               "        if [[ $COMP_CWORD -eq 2 ]]; then\n"
               "            mapfile -t COMPREPLY < <(compgen -W \"$words --help\" -- \"$cur\")\n"
               "            [[ -n $alone ]] && COMPREPLY+=($(compgen -d -- \"$cur\"))\n"
               "            return\n"
               "        fi\n"
               "        if [[ -z $alone || \" $words \" == *\" ${COMP_WORDS[2]} \"* ]]; then\n"
               "            command=\"$command ${COMP_WORDS[2]}\" start=3\n"
               "        fi\n"
               "    fi\n"
               "    local options=\"\" operands=()\n"
               "    case $command in\n%3"
               "    esac\n"
               "    case $command in\n%4"
               "    esac\n"
               "    case $prev in\n"
               "        %5) mapfile -t COMPREPLY < <(compgen -d -- \"$cur\"); return ;;\n"
               "        %6) return ;;\n"
               "    esac\n"
               "    if [[ $cur == -* ]]; then\n"
               "        mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n"
               "        return\n"
               "    fi\n"
               "    # Which operand is being typed: the words before it, less options and "
               "their values.\n"
               "    local i position=0\n"
               "    for ((i = start; i < COMP_CWORD; i++)); do\n"
               "        case ${COMP_WORDS[i]} in\n"
               "            %5|%6) ((i++)) ;;\n"
               "            -*) ;;\n"
               "            *) ((position++)) ;;\n"
               "        esac\n"
               "    done\n"
               "    local operand=${operands[position]:-}\n"
               "    [[ -z $operand && ${operands[-1]:-} == *... ]] && operand=${operands[-1]}\n"
               "    case $operand in\n"
               "        BASE|\\[BASE\\]) mapfile -t COMPREPLY < <(compgen -d -- \"$cur\") ;;\n"
               "        FILE|\\[FILE\\]) mapfile -t COMPREPLY < <(compgen -f -- \"$cur\") ;;\n"
               "    esac\n"
               "}\n"
               "complete -o filenames -F _numorika_admin numorika-admin\n")
        .arg(firstWords.join(QLatin1Char(' ')), groups, options, operands,
             folders.join(QLatin1Char('|')), valued.join(QLatin1Char('|')));
}
