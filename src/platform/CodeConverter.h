#pragma once

#include <QString>

// How much work the check of a stored PIN costs. The cost is written into the stored form, so
// forms of either cost are checked alike.
enum class PinCost {
    Interactive,  // what a sign-in pays: about 0.05 s and 32 MiB on the development machine
    Minimal,      // for tests only
};

// Turns a PIN as stored in the masters into the verifier that a typed PIN (upper-cased) is checked
// against. The stored form is an Argon2id password hash ("$argon2id$v=19$m=…,t=…,p=1$salt$hash",
// libsodium): salted, slow and memory-hard, it cannot be turned back into the PIN; someone who
// copies the table can only guess PINs one by one at that cost. The older masked form "NMK1$…"
// is still read until `numorika-admin pin upgrade` rewrites it.
class CodeConverter {
public:
    // The verifier of a stored PIN: a hash as it is stored; the PIN of the older form; "" for a
    // text in no known form or a hash too costly to check, which no entry matches.
    QString convert(const QString& stored) const;

    // The stored form of a PIN; the PIN is upper-cased first, as entries are. Empty when the
    // hash cannot be made (no memory).
    static QString encode(const QString& pin, PinCost cost = PinCost::Interactive);

    // Whether a stored text is in the form encode writes.
    static bool isCurrentForm(const QString& stored);
    // Whether a hash asks far more memory (over 256 MiB) or passes (over 10) than encode writes,
    // or its cost cannot be read: it matches no entry.
    static bool isTooCostly(const QString& stored);
    // Whether a stored text is in the older masked form.
    static bool isOlderForm(const QString& stored);

    // Whether an entry (already upper-cased) matches a verifier.
    static bool verify(const QString& verifier, const QString& entry);
};
