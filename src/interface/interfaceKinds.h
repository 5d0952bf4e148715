// The interface layer made known to the engine: the control panel as a thing kind and as
// the shop keeper's panel, the font loader, and the mark by which the drawing knows
// interface things.
#pragma once

class CshopKeeper;
class CshopPanel;

// Registers the maker of "control_panel_new", fills engineHooks.fontLoader and
// engineHooks.showPasswordPane. Start-up calls it once; calling again changes nothing.
void installInterfaceKinds();

// The shop keeper's control panel: a member of the species "gui_panel", marked as an
// interface thing, owned by the returned object; null when it cannot be made.
CshopPanel* makeShopControlPanel(CshopKeeper& shop);
