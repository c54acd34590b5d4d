// The installer, end to end.
