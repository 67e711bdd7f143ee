#pragma once

// The outside programs now live with the workflow; dialogs that name them
// here still find them.
#include "workflow/OutsidePrograms.h"
