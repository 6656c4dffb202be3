#pragma once

struct AppContext;

// Replaces the signed-in code with 動作環境定義.起動担当者コード; true when that code is not blank.
bool LoadSignedInCode(AppContext& ctx);

// Stores the signed-in code in the environment definition and loads the staff record; a blank
// code stores nothing.
void SaveSignedInCode(AppContext& ctx);

// Empties 起動担当者コード at the end of the program.
void ClearSignedInCode(AppContext& ctx);
