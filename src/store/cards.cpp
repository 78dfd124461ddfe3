#include "store/cards.h"

OpeCardRec OpeCard;
CamCardRec CamCard;
