// The message box: the caller names a set of buttons and a kind of message;
// the box gets the matching button and icon flags and the kind's word as its
// caption.
#pragma once

#include <cstdint>
#include <string>

namespace dimmscope {

// A window handle as the core passes it around (HWND on Windows).
using TWindowHandle = void*;

// Buttons codes.
constexpr std::uint8_t ButtonsOk = 0;
constexpr std::uint8_t ButtonsYesNo = 1;
constexpr std::uint8_t ButtonsYesNoCancel = 2;
constexpr std::uint8_t ButtonsOkCancel = 3;

// Kind codes.
constexpr std::uint8_t KindMessage = 0;
constexpr std::uint8_t KindWarning = 1;
constexpr std::uint8_t KindError = 2;
constexpr std::uint8_t KindQuestion = 3;
constexpr std::uint8_t KindInformation = 4;

// The message box's results (0 when it could not be shown).
constexpr std::int32_t AnswerOk = 1;
constexpr std::int32_t AnswerCancel = 2;
constexpr std::int32_t AnswerYes = 6;
constexpr std::int32_t AnswerNo = 7;

// The system's message-box flags and the caption for a buttons code and a
// kind code. Unknown buttons codes add no button flag (only OK is shown);
// unknown kinds give no icon and an empty caption.
struct TMessageBoxStyle {
  std::uint32_t Flags = 0;
  std::string Caption;
};
TMessageBoxStyle MessageBoxStyle(std::uint8_t Buttons, std::uint8_t Kind);

// Shows the box modally over `Owner` (may be null) and returns the answer.
std::int32_t ShowMessageBox(TWindowHandle Owner, const std::string& Text, std::uint8_t Buttons, std::uint8_t Kind);
// Yes and No with the question icon and caption; compare the result with AnswerYes.
std::int32_t AskQuestion(TWindowHandle Owner, const std::string& Text);

// The platform's message box with ready-made flags; texts in the ANSI code
// page. Systems without one report the message elsewhere and return the
// box's default answer.
std::int32_t SystemMessageBox(TWindowHandle Owner, const std::string& Text, const std::string& Caption,
                              std::uint32_t Flags);

}  // namespace dimmscope
