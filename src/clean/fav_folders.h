// The base folder and product data folder now live in data/data_folder.h.
#pragma once
#include "data/data_folder.h"
