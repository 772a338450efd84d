// ResetRealCache now lives beside the fake.
#pragma once
#include "cache/fake_url_cache.h"
