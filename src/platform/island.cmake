# Screens, pointer and the island panel: interfaces here, X11 implementations in linux/.
