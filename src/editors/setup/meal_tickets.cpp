#include "editors/setup/meal_tickets.h"

#include "core/main_timer.h"
#include "core/texts.h"
#include "link/builders_steps.h"
#include "shell/cycle.h"

bool SendMealTicketDeletion() {
    ShowMsg("", "");
    ResetTimer();
    if (!NextCash(false)) return false;
    const bool queued = builders::Queue("*2;+4;#d6:39;*3;", 25.0f, 0);
    builders::Commit();
    return queued;
}
