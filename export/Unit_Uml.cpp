#include "Unit_Uml.h"
