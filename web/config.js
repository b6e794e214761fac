// Where the map tiles come from; set when the site is built (KALMIRA_TILE_URL).
export const tileUrl = "@KALMIRA_TILE_URL@";
export const tileAttribution = '@KALMIRA_TILE_ATTRIBUTION@';
