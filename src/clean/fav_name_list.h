// The name-list format now lives in data/name_list.h, its file reader and
// writer in data/name_list_file.h.
#pragma once
#include "data/name_list.h"
#include "data/name_list_file.h"
