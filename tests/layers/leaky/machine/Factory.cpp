#include "sim/Sim.h"
