#include "CxfSQLExporterUnit.h"
