// Feeds every seed of the fuzz targets (corpus*/<target>/, and the inputs kept under
// crashes/<target>-*) to its target once, so that the targets and their checks run with every
// build. A check that fails aborts the run.
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" {
int fuzz_width_conversion(const uint8_t* data, size_t size);
int fuzz_truncate_to_bytes(const uint8_t* data, size_t size);
int fuzz_format_to_pattern(const uint8_t* data, size_t size);
int fuzz_date_keywords(const uint8_t* data, size_t size);
int fuzz_condition_defaults(const uint8_t* data, size_t size);
int fuzz_connection_string(const uint8_t* data, size_t size);
int fuzz_jet_translator(const uint8_t* data, size_t size);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: fuzz_replay FUZZ-FOLDER\n", stderr);
        return 2;
    }
    struct Target {
        const char* name;
        int (*run)(const uint8_t*, size_t);
    };
    const Target targets[] = {{"fuzz_width_conversion", fuzz_width_conversion},
                              {"fuzz_truncate_to_bytes", fuzz_truncate_to_bytes},
                              {"fuzz_format_to_pattern", fuzz_format_to_pattern},
                              {"fuzz_date_keywords", fuzz_date_keywords},
                              {"fuzz_condition_defaults", fuzz_condition_defaults},
                              {"fuzz_connection_string", fuzz_connection_string},
                              {"fuzz_jet_translator", fuzz_jet_translator}};
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const Target& target : targets) {
        const QString name = QString::fromLatin1(target.name);
        QFileInfoList inputs =
            QDir(folder.filePath(QStringLiteral("crashes")))
                .entryInfoList({name + QLatin1Char('-') + QLatin1Char('*')}, QDir::Files);
        for (const QString& corpus : folder.entryList({QStringLiteral("corpus*")}, QDir::Dirs)) {
            inputs += QDir(folder.filePath(corpus + QLatin1Char('/') + name))
                          .entryInfoList(QDir::Files | QDir::Hidden);
        }
        if (inputs.isEmpty()) {
            std::fprintf(stderr, "%s: no seeds\n", target.name);
            return 1;
        }
        for (const QFileInfo& input : inputs) {
            QFile file(input.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "%s: cannot read %s\n", target.name,
                             qPrintable(input.filePath()));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            target.run(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        }
        std::printf("%s: %lld inputs\n", target.name, static_cast<long long>(inputs.size()));
    }
    return 0;
}
