#pragma once

#include <functional>

#include <QFileInfo>
#include <QList>

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/NoticePanel.h"
#include "platform/Shell.h"

// Records every box; questions are answered from a queue (No when it runs dry).
class FakeDialogs final : public Dialogs {
public:
    void information(const QString& text) override {
        informations << text;
        if (onInformation) {
            onInformation(text);
        }
    }
    bool question(const QString& text) override {
        questions << text;
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    std::optional<QString> openFile(const QStringList& /*filters*/,
                                    const QString& initialName) override {
        fileRequests << initialName;
        return chosenFiles.isEmpty() ? std::nullopt : chosenFiles.takeFirst();
    }

    QStringList informations;
    // Sees what the screen shows at the moment a box opens.
    std::function<void(const QString&)> onInformation;
    QStringList questions;
    QList<bool> answers;
    QStringList fileRequests;
    QList<std::optional<QString>> chosenFiles;
};

// Records what would have been started. Like the real one, a program that is not an existing
// file cannot start, unless a test decides otherwise.
class FakeShell final : public Shell {
public:
    struct Call {
        QString path;
        QString argument;
        bool operator==(const Call&) const = default;
    };
    bool startProgram(const QString& path, const QString& argumentText) override {
        started << Call{path, argumentText};
        return startResult.value_or(QFileInfo(path).isFile());
    }
    bool openDocument(const QString& path, const QString& workingFolder) override {
        opened << Call{path, workingFolder};
        return QFileInfo(path).isFile();
    }
    bool powerOff() override {
        ++powerOffs;
        return true;
    }

    QList<Call> started;
    QList<Call> opened;
    int powerOffs = 0;
    std::optional<bool> startResult;
};

class FakeClock final : public Clock {
public:
    QDateTime now() const override { return current; }
    QDateTime current{QDate(2026, 12, 7), QTime(9, 30, 15)};
};

// The main window's notice panel, for editors tested without the main window: the text shown and
// every text in order.
class FakeNotice final : public NoticePanel {
public:
    void setNotice(const QString& text) override {
        texts << (notice = text);
        if (onNotice) {
            onNotice(text);
        }
    }
    QString notice;
    QStringList texts;
    // Sees what the screen shows at the moment the notice is set.
    std::function<void(const QString&)> onNotice;
};
