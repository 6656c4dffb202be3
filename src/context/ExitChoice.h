#pragma once

#include <QtGlobal>

// What the member of staff chose on leaving.
enum class ExitChoice : qint16 {
    BackupAndEnd = 0,
    End = 1,
    Stay = 2,
    BackupEndAndPowerOff = 10,
};
