// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_UPDATE 128
