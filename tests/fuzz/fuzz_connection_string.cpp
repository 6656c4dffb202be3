// ParseConnectionString and ParseServerAddress on any text: keys come out trimmed and
// lower-cased and hold no "=" or ";"; a configuration connection string composed around the text
// as its path parses back to that path whenever the path can be told apart (a ";" in it is only
// kept when the pieces it makes are not empty and hold no "="); a server address splits into a
// host that starts the trimmed text and a port written after its last ":".
#include "FuzzSupport.h"

#include "db/ConnectionString.h"
#include "env/InstallPaths.h"

namespace {
// Values are unquoted, so a path reads back only if every piece a ";" in it makes is non-empty
// and takes no "=" that would start a key.
bool PathReadsBack(const QString& path) {
    const qsizetype semicolon = path.indexOf(QLatin1Char(';'));
    return semicolon < 0 ||
           (!path.mid(semicolon).contains(QLatin1Char('=')) &&
            !path.contains(QStringLiteral(";;")) && !path.endsWith(QLatin1Char(';')));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = TextOf(data, size);

    const QMap<QString, QString> fields = ParseConnectionString(text);
    for (auto field = fields.cbegin(); field != fields.cend(); ++field) {
        const QString& key = field.key();
        Check(key == key.trimmed(), "a key is not trimmed");
        Check(key == key.toLower(), "a key is not lower-cased");
        Check(!key.contains(QLatin1Char('=')) && !key.contains(QLatin1Char(';')),
              "a key holds = or ;");
    }
    const QString provider = fields.value(QStringLiteral("provider"));
    (void)IsFileProvider(provider);
    (void)IsServerProvider(provider);

    if (PathReadsBack(text)) {
        for (const DatabaseFileKind kind : {DatabaseFileKind::Accdb, DatabaseFileKind::Mdb}) {
            for (const bool closing : {false, true}) {
                const QString composed = ComposeConfigConnectionString(kind, text, closing);
                const QMap<QString, QString> back = ParseConnectionString(composed);
                Check(back.size() == 4, "fields other than the four composed");
                Check(back.value(QStringLiteral("data source")) == text,
                      "the path does not read back");
                Check(IsFileProvider(back.value(QStringLiteral("provider"))),
                      "the provider is not a file provider");
                Check(back.value(QStringLiteral("user id")).isEmpty() &&
                          back.value(QStringLiteral("password")).isEmpty(),
                      "user or password not empty");
            }
        }
    }

    // The server name arrives trimmed of blanks already; nothing more is taken off.
    const ServerAddress address = ParseServerAddress(text);
    Check(text.startsWith(address.host), "the host does not start the text");
    if (address.host.size() == text.size()) {
        Check(address.port == 0, "a port without a colon");
    } else {
        Check(text[address.host.size()] == QLatin1Char(':') &&
                  !text.mid(address.host.size() + 1).contains(QLatin1Char(':')),
              "the host is not cut at the last colon");
    }
    return 0;
}
