#pragma once

#include <QString>

class NoticePanel;

// A code typed by the user, formatted with a digit pattern ("00000") and cut to the pattern's
// length: 12 gives 00012, 123456 gives 12345; a text that is not a number is only cut.
QString FormatToPattern(const QString& value, const QString& pattern);

// The length in Shift-JIS bytes: 1 for ASCII and half-width katakana, 2 for any other character.
int ShiftJisLength(const QString& text);

// The longest leading part of text within limit bytes; a character is never split.
QString TruncateToBytes(const QString& text, int limit);

// "" when text fits in limit bytes, else "N文字オーバーです。" with the characters beyond it.
QString LengthNoticeText(const QString& text, int limit);

// Shows the over-length notice on a notice panel (the main window's お知らせ), where there is one.
void LengthNotice(NoticePanel* notice, const QString& text, int limit);
