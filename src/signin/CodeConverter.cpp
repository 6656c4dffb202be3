#include "signin/CodeConverter.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace {
const QLatin1StringView kPrefix("NMK1$");
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

QByteArray Mask(const QByteArray& data, const QByteArray& salt) {
    const QByteArray stream = KeyStream(salt, data.size());
    QByteArray masked = data;
    for (qsizetype i = 0; i < masked.size(); ++i) {
        masked[i] = static_cast<char>(masked[i] ^ stream[i]);
    }
    return masked;
}

constexpr auto kBase64 = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;
}  // namespace

QString CodeConverter::convert(const QString& stored) const {
    if (!stored.startsWith(kPrefix)) {
        return {};
    }
    const auto decoded = QByteArray::fromBase64Encoding(
        stored.mid(kPrefix.size()).toLatin1(), kBase64 | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() < kSaltSize + kCheckSize) {
        return {};
    }
    const QByteArray& bytes = decoded.decoded;
    const QByteArray salt = bytes.left(kSaltSize);
    const QByteArray plain =
        Mask(bytes.mid(kSaltSize, bytes.size() - kSaltSize - kCheckSize), salt);
    if (Check(salt, plain) != bytes.right(kCheckSize)) {
        return {};
    }
    return QString::fromUtf8(plain);
}

QString CodeConverter::encode(const QString& pin) {
    QByteArray salt(kSaltSize, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    const QByteArray plain = pin.toUpper().toUtf8();
    return kPrefix +
           QString::fromLatin1((salt + Mask(plain, salt) + Check(salt, plain)).toBase64(kBase64));
}
