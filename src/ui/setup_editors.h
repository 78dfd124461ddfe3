#pragma once
// Registers the register setup editors with the editor registry, each under
// its editor key, so that the tree's nodes and the menus can show them.
void RegisterSetupEditors();
