#include "windows/kids.h"

#include "toolkit/gui_names.h"

namespace quorvanta {

std::int32_t createKid(const KidSpec& spec, std::int32_t grid, std::int32_t window,
                       GridFunction owner) {
    std::int32_t kid = 0, create = msg.Create, x = spec.x, y = spec.y, width = spec.width,
                 height = spec.height, r0 = window, r1 = grid;
    spec.kind(kid, create, x, y, width, height, r0, r1);
    const std::int32_t kidNumber = XuiGetKidNumber(kid);
    XuiSend(kid, msg.SetCallback, grid, XuiFunctionNumber(owner), -1, -1, kidNumber, grid);
    const XstText name(spec.name);
    XuiSend(kid, msg.SetGridName, 0, 0, 0, 0, 0, name.number());
    const bool isButton = spec.kind == XuiPushButton || spec.kind == XuiToggleButton;
    if (isButton) {
        const XstText face(kButtonFontFace);
        XuiSend(kid, msg.SetFont, kButtonFontSize, kButtonFontWeight, 0, 0, 0, face.number());
        XuiSend(kid, msg.SetTexture, 0);
    }
    if (spec.kind != XuiScrollBarH) XuiSend(kid, msg.SetColorExtra, 62, 124, 0, 124);
    if (spec.label) {
        const XstText label(spec.label);
        XuiSend(kid, msg.SetTextString, 0, 0, 0, 0, 0, label.number());
    }
    if (spec.hint) {
        const XstText hint(spec.hint);
        XuiSend(kid, msg.SetHintString, 0, 0, 0, 0, 0, hint.number());
    }
    return kid;
}

void createKids(std::span<const KidSpec> specs, std::int32_t grid, std::int32_t window,
                GridFunction owner) {
    for (const KidSpec& spec : specs)
        createKid(spec, grid, window, owner);
}

}  // namespace quorvanta
