#pragma once

#include <QString>

#include "context/ExitChoice.h"
#include "context/LinkState.h"
#include "context/MenuEditTarget.h"
#include "context/ProcessRecords.h"
#include "context/StaffRecord.h"
#include "db/ColumnRecord.h"
#include "db/ConnectionString.h"
#include "db/DbAccess.h"
#include "platform/Clock.h"
#include "platform/CodeConverter.h"
#include "platform/Dialogs.h"
#include "platform/NoticePanel.h"
#include "platform/PleaseWait.h"
#include "platform/ProcessInfo.h"
#include "platform/RegistryStore.h"
#include "platform/Shell.h"
#include "platform/StopToken.h"

// Everything the process holds for its whole run. main creates one; every operation and window
// receives it by reference, and a test builds a fresh one with fakes. The two connections, the
// clock and the statement counter are the part the access layer works on.
struct AppContext final : DbSession {
    AppContext(Dialogs& dialogService, Shell& shellService, const Clock& processClock,
               RegistryStore& registryStore, ProcessInfo processInfo)
        : DbSession(processClock),
          dialogs(dialogService),
          shell(shellService),
          registry(registryStore),
          process(std::move(processInfo)) {}

    HistoryAuthor historyAuthor() const override {
        return {environment.operatingOfficeCode, staff.code, paths.userName};
    }

    Dialogs& dialogs;
    Shell& shell;
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
    WrongPinRuns wrongPins;  // by staff code, for the whole run
    MenuEditTarget menuEditTarget;
    CodeConverter codeConverter;
    // The main window's notice panel, once the window exists.
    NoticePanel* notice = nullptr;
    // The please-wait window, where there is a screen to show it on.
    PleaseWait* pleaseWait = nullptr;
    // The long work under way beside the window (the backup), which an end request stops.
    StopToken* workStop = nullptr;

    QString commandText;
    LinkState link;
    ExitChoice exitChoice = ExitChoice::BackupAndEnd;  // of the exit dialog
    bool ending = false;                               // the end of the program has begun
    bool ended = false;  // the end of the program has run; nothing may close the environment again
};
