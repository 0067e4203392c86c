// The one application object of an executable, constructed before its entry
// runs. Tests make their own.
#include "app/analysis_dialog.h"

MorvendaApp the_application;
