! Kelvora 导出模板：INI 格式的放电任务文件，每个工序一节，按放电顺序
! Kelvora export template: an INI-style EDM job file, one section per operation in burn order.
! 写法见工具文件夹的 README.md / The format is described in the tool folder's README.md.
FILE=#PART#_EDM_JOB.ini
[JOB]
PART=#PART#
MOULD=#MOULD#
WORKPIECE=#WORKPIECE#
DATE=#DATE#
DATUM=#DATUM#
UNITS=#UNITS#
ELECTRODES=#ELECTRODE_COUNT#
OPERATIONS=#OP_COUNT#
OP_START

[OP#ROW#]
ID=#ID#
ELECTRODE=#ELECTRODE#
STAGE=#STAGE#
COPY=#COPY#
X=#X:0.3#
Y=#Y:0.3#
Z=#Z:0.3#
C=#C:0.3#
GAP=#GAP:0.3#
MATERIAL=#MATERIAL#
METHOD=#METHOD#
MACHINE=#MACHINE#
STOCK=#STOCK#
FLAGS=#FLAGS#
! 倾斜电极只靠 C 无法摆正：提醒操作者在机床上找正
! A tilted electrode is not set by C alone: the operator is told to align it on the machine.
OP_IF TILT
CHECK=ALIGN_TILT
OP_END_IF
OP_END
