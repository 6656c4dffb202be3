#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Modal boxes and the open-file dialog. Every box carries the application title; the texts are
// the system's own and reach the implementation unchanged (a lone carriage return breaks a line).
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void information(const QString& text) = 0;
    // Yes/No; true for Yes.
    virtual bool question(const QString& text) = 0;
    virtual std::optional<QString> openFile(const QStringList& filters,
                                            const QString& initialName) = 0;
};
