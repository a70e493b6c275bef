#include "viewer/controls.h"

namespace {

constexpr ControlHelp kControls[] = {
    {"Up / Down", "moves the eye forward / back"},
    {"Left or A / Right or D", "moves the eye sideways"},
    {"W / S", "moves the eye down / up"},
    {"Mouse wheel", "moves the eye forward (up) or back (down); it stops in front of the model"},
    {"Left drag", "turns the model"},
    {"Right drag", "moves the eye sideways and up or down"},
    {"Middle drag", "moves the eye forward or back (right and up go forward)"},
    {"F", "Options > Model > Fit: centres the model and scales it to fill the view"},
    {"Ctrl + keypad minus / plus", "Options > Model > Scale Down / Scale Up by 10 %"},
    {"Ctrl + O", "File > Open"},
    {"Ctrl + S", "File > Save Picture: the view as a PNG picture"},
    {"F5", "File > Reload: reads the shown model's file again"},
    {"Page Down / Page Up", "opens the next / previous model in the shown model's folder, in name order"},
    {"F1", "Help > Controls: this list"},
    {"Alt + / or Alt + ?", "Help > About"},
    {"Escape", "quits"},
};

}  // namespace

std::span<const ControlHelp> ControlsHelp() { return kControls; }
