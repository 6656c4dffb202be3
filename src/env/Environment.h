#pragma once

#include <QString>
#include <optional>

struct AppContext;

// Loads the environment, writes the start row, takes over a link request and opens the business
// database. True when all of that succeeded.
bool OpenEnvironment(AppContext& ctx);

// Answers a taken link request, writes the end row and closes both connections. The open flags
// stay as they are, so calling it twice is harmless.
void CloseEnvironment(AppContext& ctx);

// The last close of the environment: a termination signal that arrives while the program is
// already ending must not write a second end row.
void CloseEnvironmentOnce(AppContext& ctx);

// The environment setup program and its argument for a program folder; nullopt when the folder
// holds no "prgbin".
struct SetupCommand {
    QString program;
    QString argument;
    QString text() const { return program + QLatin1Char(' ') + argument; }
};
std::optional<SetupCommand> ComposeEnvironmentSetupCommand(const QString& programFolder,
                                                           const QString& executableName);

// Starts the environment setup program without waiting; says so when it cannot.
void StartEnvironmentSetup(AppContext& ctx);

// The first-run message: its two sentences are parted by one carriage return.
QString FirstRunMessage();

// What keeps this user from writing the configuration file or the business file, or from making
// the journals in their folders: one message naming the file and the missing right, empty when
// nothing does. A file that is not there is left to the first-run path.
QString MissingWriteRight(const QString& configFile, const QString& businessFile);
