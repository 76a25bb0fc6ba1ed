#pragma once

// Every request class of the web API.
#include "src/api/requests/ItemRequests.h"
#include "src/api/requests/OtherRequests.h"
#include "src/api/requests/PhotoRequests.h"
#include "src/api/requests/PlayRequests.h"
#include "src/api/requests/RadioRequests.h"
#include "src/api/requests/UserRequests.h"
