#pragma once
#include <string>
#include "machine/Inner.h"
