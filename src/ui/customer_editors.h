#pragma once
// Registers the customer and loyalty editors, and the departments window
// with its loyalty button, with the editor registry.
void RegisterCustomerEditors();
