#pragma once

#include <QString>

#include "db/DbAccess.h"

struct AppContext;

// Replaces the signed-in code with 動作環境定義.起動担当者コード; true when that code is not blank.
bool LoadSignedInCode(AppContext& ctx);

// "開始 " + the command text: the first row of a run, with the signed-in code stored at that
// moment.
void WriteRunStart(AppContext& ctx);
// "終了", with the signed-in code held in memory.
void WriteRunEnd(AppContext& ctx);
