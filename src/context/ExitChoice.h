#pragma once

#include <QtGlobal>

// What the member of staff chose on leaving.
enum ExitChoice : qint16 {
    kBackupAndEnd = 0,
    kEnd = 1,
    kStay = 2,
    kBackupEndAndPowerOff = 10,
};
