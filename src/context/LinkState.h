#pragma once

#include <QString>

// What the run took over from the program that started it.
struct LinkState {
    QString receivedSenderId;   // 発信プログラムID of the consumed request
    QString receivedStartInfo;  // 起動連携情報 of the consumed request; kept across re-opens
    QString endInfo;            // 終了連携情報: this program has nothing to report
};
