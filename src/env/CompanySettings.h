#pragma once

#include <QString>

#include "context/ProcessRecords.h"

struct AppContext;

// Loads the company, the operating office (falling back to "000" when it does not exist), the
// link settings and the office count. True when the company row '0001' was found.
bool LoadCompanySettings(AppContext& ctx);

// Makes code the operating office and stores it in the environment definition.
void SetOperatingOffice(AppContext& ctx, const QString& code);

// Used when Mユーザ.システム特権暗証番号 is Null.
inline const QString kDefaultSystemPin = QStringLiteral("QXVWT47");
