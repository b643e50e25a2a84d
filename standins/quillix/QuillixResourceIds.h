// Resource ids of the stand-in pad-capture control module.
#pragma once

#define IDS_QUILLIX_TYPENAME 1
