# placeholder, filled by the owner of this area
