// Cabinet writer (in progress).
