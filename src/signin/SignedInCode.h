#pragma once

struct AppContext;

// Stores the signed-in code in the environment definition and loads the staff record; a blank
// code stores nothing.
void SaveSignedInCode(AppContext& ctx);

// Empties 起動担当者コード at the end of the program.
void ClearSignedInCode(AppContext& ctx);
