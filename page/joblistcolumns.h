#pragma once

class CCellListCtrl;

// Inserts the job list's five columns: "Source", "Begin Time", "End Time", "Output" and
// "Progress", with their alignments and widths in pixels.
void InsertJobListColumns(CCellListCtrl &list);
