! 未知的占位符 / an unknown placeholder
FILE=#PART#_BROKEN.txt
OP_START
#ID#;#DEPTH#
OP_END
