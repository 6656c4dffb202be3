#pragma once

#include <QString>

// Turns a PIN as stored in the masters into the text a typed PIN (upper-cased) is compared with.
// The stored form hides the PIN from whoever reads the table: "NMK1$" followed by URL-safe
// base64 of a random salt, the PIN's UTF-8 bytes masked with a SHA-256 key stream, and a check
// value. It is an obfuscation, not a password hash: the comparison needs the PIN itself.
class CodeConverter {
public:
    // A text that is not in the stored form (or was altered) gives "", which no entry matches:
    // an entry has at least four characters.
    QString convert(const QString& stored) const;

    // The stored form of a PIN; the PIN is upper-cased first, as entries are.
    static QString encode(const QString& pin);
};
