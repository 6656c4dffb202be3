#pragma once

#include <QWidget>

#include "platform/PleaseWait.h"

// msgお待ち: "しばらくお待ちください。" on top of every other window, where it is placed.
class PleaseWaitWindow final : public QWidget, public PleaseWait {
    Q_OBJECT
public:
    explicit PleaseWaitWindow(QWidget* parent = nullptr);
    void show() override;
    void hide() override;
};
