#pragma once

#include <QString>

#include "db/DbConnection.h"
#include "env/CompanySettings.h"
#include "env/EnvironmentRecords.h"
#include "env/InstallPaths.h"
#include "menu_settings/MenuEditTarget.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/NoticePanel.h"
#include "platform/PleaseWait.h"
#include "platform/ProcessInfo.h"
#include "platform/RegistryStore.h"
#include "platform/Shell.h"
#include "records/LinkState.h"
#include "signin/CodeConverter.h"
#include "signin/StaffRecord.h"

// The program's own ID in the shared tables.
inline const QString kProgramId = QStringLiteral("ヌモリカマイメニュ");

// Everything the process holds for its whole run. main creates one; every operation and window
// receives it by reference, and a test builds a fresh one with fakes.
struct AppContext {
    AppContext(Dialogs& dialogs, Shell& shell, const Clock& clock, RegistryStore& registry,
               ProcessInfo process)
        : dialogs(dialogs),
          shell(shell),
          clock(clock),
          registry(registry),
          process(std::move(process)) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    Dialogs& dialogs;
    Shell& shell;
    const Clock& clock;
    RegistryStore& registry;
    ProcessInfo process;

    InstallPaths paths;
    DatabaseDefinition databaseDefinition;
    EnvironmentRecord environment;
    QString initialOfficeCode;  // the office of the environment definition as loaded
    CompanyRecord company;
    OfficeRecord office;
    LinkSettings links;
    qint16 pinRequired = 0;  // 暗証番号有無 of the company, or of the operating office
    qint16 officeCount = 0;  // offices other than "000"
    StaffRecord staff;
    MenuEditTarget menuEditTarget;
    CodeConverter codeConverter;
    // The main window's notice panel, once the window exists.
    NoticePanel* notice = nullptr;
    // The please-wait window, where there is a screen to show it on.
    PleaseWait* pleaseWait = nullptr;

    DbConnection config{QStringLiteral("config")};
    DbConnection business{QStringLiteral("business")};
    // The proccounter of the run history; restarts with every open of the environment.
    qint64 statementCounter = 0;
    QString commandText;
    LinkState link;
    qint16 exitChoice = 0;  // of the exit dialog; 10 switches the workstation off at the end
    bool ending = false;    // the end of the program has begun
    bool ended = false;  // the end of the program has run; nothing may close the environment again
};
