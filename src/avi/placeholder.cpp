// Replaced by the subsystem's first sources.
