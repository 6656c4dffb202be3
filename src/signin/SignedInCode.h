#pragma once

struct AppContext;

// Replaces the signed-in code with 動作環境定義.起動担当者コード; true when that code is not blank.
bool LoadSignedInCode(AppContext& ctx);
