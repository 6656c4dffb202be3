#pragma once

#include <QString>

// Starting programs, opening documents and switching the machine off.
class Shell {
public:
    virtual ~Shell() = default;
    // The program receives argumentText as its one argument (none when empty), as a program of
    // the suite sees its command line after its own name. Does not wait; false when it cannot
    // start.
    virtual bool startProgram(const QString& path, const QString& argumentText) = 0;
    virtual bool openDocument(const QString& path, const QString& workingFolder) = 0;
    virtual bool powerOff() = 0;
};
