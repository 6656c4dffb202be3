#include "platform/CodeConverter.h"

#include <QCryptographicHash>
#include <QStringList>

#include <sodium.h>

namespace {
const QLatin1StringView kHashPrefix("$argon2id$");
const QLatin1StringView kOlderPrefix("NMK1$");

// The older form: the PIN's bytes masked with a key stream whose key stood in the program. It
// hid the PIN from a glance at the table and no more; it is read, never written.
constexpr qsizetype kSaltSize = 8;
constexpr qsizetype kCheckSize = 8;
constexpr QByteArrayView kKey("ヌモリカ/暗証番号/stored-form/1");

QByteArray KeyStream(const QByteArray& salt, qsizetype size) {
    QByteArray stream;
    for (quint32 block = 0; stream.size() < size; ++block) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(kKey);
        hash.addData(salt);
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&block), sizeof block));
        stream += hash.result();
    }
    return stream.left(size);
}

QByteArray Check(const QByteArray& salt, const QByteArray& plain) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView("check"));
    hash.addData(kKey);
    hash.addData(salt);
    hash.addData(plain);
    return hash.result().left(kCheckSize);
}

QString ReadOlderForm(const QString& stored) {
    constexpr auto kBase64 = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals |
                             QByteArray::AbortOnBase64DecodingErrors;
    const auto decoded =
        QByteArray::fromBase64Encoding(stored.mid(kOlderPrefix.size()).toLatin1(), kBase64);
    if (!decoded || decoded.decoded.size() < kSaltSize + kCheckSize) {
        return {};
    }
    const QByteArray& bytes = decoded.decoded;
    const QByteArray salt = bytes.left(kSaltSize);
    QByteArray plain = bytes.mid(kSaltSize, bytes.size() - kSaltSize - kCheckSize);
    const QByteArray stream = KeyStream(salt, plain.size());
    for (qsizetype i = 0; i < plain.size(); ++i) {
        plain[i] = static_cast<char>(plain[i] ^ stream[i]);
    }
    if (Check(salt, plain) != bytes.right(kCheckSize)) {
        return {};
    }
    return QString::fromUtf8(plain);
}

// Far beyond what encode writes (32 MiB, 2 passes): a hash that asks more is no PIN of the suite
// but a way to make every sign-in take seconds and gigabytes.
constexpr qint64 kMaxHashMemoryKiB = 256 * 1024;
constexpr qint64 kMaxHashPasses = 10;

bool SodiumReady() {
    // Safe to call again; only a failure of the library itself answers below zero.
    return sodium_init() >= 0;
}
}  // namespace

QString CodeConverter::convert(const QString& stored) const {
    if (isTooCostly(stored)) {
        return {};
    }
    if (isCurrentForm(stored)) {
        return stored;
    }
    if (isOlderForm(stored)) {
        return ReadOlderForm(stored);
    }
    return {};
}

QString CodeConverter::encode(const QString& pin, PinCost cost) {
    if (!SodiumReady()) {
        return {};
    }
    const QByteArray plain = pin.toUpper().toUtf8();
    const bool interactive = cost == PinCost::Interactive;
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(
            hash, plain.constData(), static_cast<unsigned long long>(plain.size()),
            interactive ? crypto_pwhash_OPSLIMIT_INTERACTIVE : crypto_pwhash_OPSLIMIT_MIN,
            interactive ? crypto_pwhash_MEMLIMIT_INTERACTIVE / 2 : crypto_pwhash_MEMLIMIT_MIN,
            crypto_pwhash_ALG_ARGON2ID13) != 0) {
        return {};
    }
    return QString::fromLatin1(hash);
}

bool CodeConverter::isCurrentForm(const QString& stored) {
    return stored.startsWith(kHashPrefix) && stored.size() < crypto_pwhash_STRBYTES;
}

bool CodeConverter::isTooCostly(const QString& stored) {
    if (!isCurrentForm(stored)) {
        return false;
    }
    // "$argon2id$v=19$m=…,t=…,p=…$salt$hash": a part that cannot be read counts as too costly.
    qint64 memory = -1;
    qint64 passes = -1;
    for (const QString& parameter :
         stored.section(QLatin1Char('$'), 3, 3).split(QLatin1Char(','))) {
        bool ok = false;
        const qint64 value = parameter.mid(2).toLongLong(&ok);
        if (parameter.startsWith(QLatin1String("m=")) && ok) {
            memory = value;
        } else if (parameter.startsWith(QLatin1String("t=")) && ok) {
            passes = value;
        }
    }
    return memory < 0 || passes < 0 || memory > kMaxHashMemoryKiB || passes > kMaxHashPasses;
}

bool CodeConverter::isOlderForm(const QString& stored) {
    return stored.startsWith(kOlderPrefix);
}

bool CodeConverter::verify(const QString& verifier, const QString& entry) {
    if (verifier.isEmpty()) {
        return false;
    }
    if (!isCurrentForm(verifier)) {
        // The older form and the built-in default are held as the PIN itself.
        return verifier == entry;
    }
    if (isTooCostly(verifier) || !SodiumReady()) {
        return false;
    }
    const QByteArray hash = verifier.toLatin1();
    const QByteArray typed = entry.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), typed.constData(),
                                    static_cast<unsigned long long>(typed.size())) == 0;
}
