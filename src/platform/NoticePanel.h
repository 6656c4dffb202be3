#pragma once

#include <QString>

// The main window's notice panel お知らせ, where the menu and its editors tell the user what is
// going on.
class NoticePanel {
public:
    virtual ~NoticePanel() = default;
    virtual void setNotice(const QString& text) = 0;
};
