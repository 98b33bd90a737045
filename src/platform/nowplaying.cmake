# Now Playing facilities: interfaces here, MPRIS-based implementations in linux/.
