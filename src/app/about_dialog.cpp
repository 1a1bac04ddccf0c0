// The desktop program; its widgets follow.
