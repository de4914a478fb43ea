// The program's names for the toolkit: program name, cursors, icons and the message vocabulary.
// Every other part of the program sends and tests messages by the numbers kept here.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quorvanta {

struct GuiMessages {
    std::int32_t Callback = 0;
    std::int32_t Change = 0;
    std::int32_t CloseWindow = 0;
    std::int32_t Create = 0;
    std::int32_t CreateWindow = 0;
    std::int32_t DisplayWindow = 0;
    std::int32_t GetColor = 0;
    std::int32_t GetGridNumber = 0;
    std::int32_t GetValues = 0;
    std::int32_t GetWindowSize = 0;
    std::int32_t HideWindow = 0;
    std::int32_t Initialize = 0;
    std::int32_t MuchLess = 0;
    std::int32_t MuchMore = 0;
    std::int32_t OneLess = 0;
    std::int32_t OneMore = 0;
    std::int32_t Redrawn = 0;
    std::int32_t Resize = 0;
    std::int32_t SelectWindow = 0;
    std::int32_t Selection = 0;
    std::int32_t SetCallback = 0;
    std::int32_t SetColor = 0;
    std::int32_t SetColorExtra = 0;
    std::int32_t SetFont = 0;
    std::int32_t SetGridName = 0;
    std::int32_t SetGridProperties = 0;
    std::int32_t SetHintString = 0;
    std::int32_t SetPosition = 0;
    std::int32_t SetStyle = 0;
    std::int32_t SetTextString = 0;
    std::int32_t SetTexture = 0;
    std::int32_t SetValue = 0;
    std::int32_t SetValues = 0;
    std::int32_t SetWindowTitle = 0;
    std::int32_t ShowWindow = 0;
    std::int32_t WindowCreate = 0;
    std::int32_t WindowMouseDown = 0;
    std::int32_t WindowMouseMove = 0;
    std::int32_t WindowMouseUp = 0;
    std::int32_t WindowRegister = 0;
    // Keys, the wheel, the Find window's text field and result list.
    std::int32_t GetTextString = 0;
    std::int32_t KeyDown = 0;
    std::int32_t ResizeWindow = 0;
    std::int32_t SetTextArray = 0;
    std::int32_t TextModified = 0;
    std::int32_t WindowKeyDown = 0;
    std::int32_t WindowMouseWheel = 0;
    // The pointer leaving a grid that tracks it.
    std::int32_t WindowMouseExit = 0;
    std::int32_t LastMessage = 0;
};

struct GuiNames {
    GuiMessages messages;
    std::vector<std::int32_t> allMessages;  // in vocabulary order
    std::array<std::int32_t, 20> cursors{};
    std::array<std::int32_t, 9> icons{};
};

// The message numbers of this run; all 0 until registerGuiNames has run.
inline GuiNames guiNames;
inline const GuiMessages& msg = guiNames.messages;

// The toolkit's message vocabulary in registration order; "LastMessage" comes last.
const std::vector<std::string_view>& messageVocabulary();

// Names the program, registers the cursors, icons and every message name, in that order.
void RegisterGuiNames();

}  // namespace quorvanta
