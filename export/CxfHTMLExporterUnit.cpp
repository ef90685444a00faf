#include "CxfHTMLExporterUnit.h"
