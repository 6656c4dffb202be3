#pragma once

#include "platform/Shell.h"

class QtShell final : public Shell {
public:
    bool startProgram(const QString& path, const QString& argumentText) override;
    bool openDocument(const QString& path, const QString& workingFolder) override;
    bool powerOff() override;
};
