#include "windows/kids.h"

#include "toolkit/gui_names.h"

namespace quorvanta {

std::int32_t createKid(const KidSpec& entry, std::int32_t grid, std::int32_t window,
                       GridFunction owner) {
    std::int32_t kid = 0, create = msg.Create, x = entry.x, y = entry.y, width = entry.width,
                 height = entry.height, r0 = window, r1 = grid;
    entry.kind(kid, create, x, y, width, height, r0, r1);
    const std::int32_t kidNumber = XuiGetKidNumber(kid);
    XuiSend(kid, msg.SetCallback, grid, XuiFunctionNumber(owner), -1, -1, kidNumber, grid);
    const XstText name(entry.name);
    XuiSend(kid, msg.SetGridName, 0, 0, 0, 0, 0, name.number());
    const bool isButton = entry.kind == XuiPushButton || entry.kind == XuiToggleButton;
    if (isButton) {
        const XstText face(kButtonFontFace);
        XuiSend(kid, msg.SetFont, kButtonFontSize, kButtonFontWeight, 0, 0, 0, face.number());
        XuiSend(kid, msg.SetTexture, 0);
    }
    if (entry.kind != XuiScrollBarH) XuiSend(kid, msg.SetColorExtra, 62, 124, 0, 124);
    if (entry.label) {
        const XstText label(entry.label);
        XuiSend(kid, msg.SetTextString, 0, 0, 0, 0, 0, label.number());
    }
    if (entry.hint) {
        const XstText hint(entry.hint);
        XuiSend(kid, msg.SetHintString, 0, 0, 0, 0, 0, hint.number());
    }
    return kid;
}

void createKids(std::span<const KidSpec> entries, std::int32_t grid, std::int32_t window,
                GridFunction owner) {
    for (const KidSpec& entry : entries)
        createKid(entry, grid, window, owner);
}

}  // namespace quorvanta
