#include "character.h"

Character::~Character() = default;
