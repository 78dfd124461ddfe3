#include "core/cassa_conf.h"

CassaConfRec udtCassaConf;
CassaConfRec udtCassaConfSaved;
CassaFileValues CassaFile;
