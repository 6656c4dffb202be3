#pragma once

#include <QString>
#include <optional>

class Dialogs;
class Shell;

// What the menu hands the environment setup program: "<base>,<program name>".
struct SetupRequest {
    QString base;
    QString programName;
};
std::optional<SetupRequest> ParseSetupArguments(const QString& commandText);

// The environment setup program: asks, creates the installation's databases and starts the
// program that asked for it again. Answers the process exit status.
int RunEnvironmentSetup(const QString& commandText, Dialogs& dialogs, Shell& shell);
