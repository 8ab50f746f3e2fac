// The one source of a target that only builds a precompiled header for
// the targets of its kind to share.
