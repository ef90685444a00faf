#include "CxfCSVExporterUnit.h"
