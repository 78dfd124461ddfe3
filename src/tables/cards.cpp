#include "tables/cards.h"

OpeCardRec OpeCard;
CamCardRec CamCard;
