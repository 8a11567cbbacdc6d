#pragma once

// Reading the downloaded game: where its project is, what it is, how it is played.
#include "project/Controls.h"
#include "project/GameInfoReader.h"
#include "project/ProjectFile.h"
