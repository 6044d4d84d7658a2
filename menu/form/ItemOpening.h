#pragma once

// What a program does with the menu from outside, the way a user's clicks would: open it on an
// item (the shelf opens a disc on a found item), and the user's wish to leave.

#include "menu/CatalogueTypes.h"

#include <cstdint>

class TForm1;

// Opens the item's page through its icon and steps down the list to the item, as clicks and
// keys would; false (the first page left as it was) when the disc has no such page or item.
bool OpenOnItem(TForm1& form, CategoryCode category, int32_t number);

// The user asked to leave: the environment's Leave where the program set one, else the end.
void AskToLeave(TForm1& form);
