#pragma once
// Steps that the main timer calls and that a later part of the program
// provides: the bulk transfers of PLUs and logo icons, each run whole inside
// one tick of state 4. Until that part is built, pending_steps.cpp stands in
// with steps that do nothing; its own definitions replace them (and the
// stand-ins are then deleted).
void GestSendPLU();
void GestSendIco();
