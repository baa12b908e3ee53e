; What the commands do to the sound chip: tonal notes on the squares and the
; triangle, volume and duty, silence, and the percussion hits: DPCM's
; samples on the DMC, and the hits that Noise and DPCM play on the noise
; channel.

.include "Driver.inc"

.segment "ZEROPAGE"
periodLo:       .res 1
periodHi:       .res 1

.segment "CODE"

; Channel X (0 to 2) plays pitch class A (0 to 14) with the operand that
; follows: bits 7-3 the length - 1, bits 2-0 the octave. Pitch classes 12 to
; 14 name no note and rest for the length, and so does a note below what the
; timer can sound: raising it by an octave would hide the stream's fault.
; Carry set when the operand lies past the song block.
.proc TonalNote
        sta scratch
        jsr ReadByte
        bcs @done
        tay
        lsr a
        lsr a
        lsr a
        clc
        adc #1
        sta chanWait,x
        tya
        and #$07
        tay
        lda scratch
        cmp #PITCHES
        bcs @rest
        adc Times12,y
        sta chanNote,x
        tay
        cpx #TRIANGLE
        beq @triangle
        lda SquarePeriodHi,y
        cmp #UNSOUNDABLE
        beq @rest
        sta periodHi
        lda SquarePeriodLo,y
        sta periodLo
        txa
        asl a
        asl a
        tay
        lda periodLo
        sta SQ_TIMER_LO,y
        jsr Restarts
        bcc @sound
        lda periodHi
        sta lastHigh,x
        ora #LENGTH_LOAD
        sta SQ_TIMER_HI,y
        jmp @sound

@triangle:
        lda TrianglePeriodHi,y
        cmp #UNSOUNDABLE
        beq @rest
        sta periodHi
        lda TrianglePeriodLo,y
        sta TRI_TIMER_LO
        jsr Restarts
        bcc @sound
        lda periodHi
        sta lastHigh+TRIANGLE
        ora #LENGTH_LOAD
        sta TRI_TIMER_HI

@sound: lda chanFlags,x
        ora #FLAG_SOUNDING | FLAG_FRESH
        sta chanFlags,x
        jsr ApplyVolume
        clc
@done:  rts
@rest:  jsr Silence
        clc
        rts
.endproc

; Carry set when channel X's new note writes the timer's high byte: always
; when it starts from silence, and so restarts the square's wave, otherwise
; only when the byte changes, as writing it clicks. Keeps X and Y.
.proc Restarts
        lda chanFlags,x
        and #FLAG_SOUNDING
        beq @yes
        lda chanVolume,x
        beq @yes
        lda periodHi
        cmp lastHigh,x
        beq @no
@yes:   sec
        rts
@no:    clc
        rts
.endproc

; Brings channel X's level register up to date with its volume, duty and
; whether it sounds. Keeps X.
.proc ApplyVolume
        cpx #TRIANGLE
        beq @triangle
        bcs @percussion
        txa
        asl a
        asl a
        tay
        lda chanFlags,x
        and #FLAG_SOUNDING
        beq @level
        lda chanVolume,x
@level: ora chanDuty,x
        ora #CONSTANT_VOLUME
        sta SQ_CONTROL,y
        rts

        ; The triangle has no volume: any volume but 0 sounds it.
@triangle:
        ldy #TRI_OFF
        lda chanFlags,x
        and #FLAG_SOUNDING
        beq @switch
        lda chanVolume,x
        beq @switch
        ldy #TRI_ON
@switch:
        sty TRI_LINEAR
        rts

@percussion:
        cpx #DPCM
        bne @owner
        lda chanVolume,x
        bne @owner
        jsr StopSample          ; volume 0 silences DPCM's sample too
@owner: cpx percOwner
        bne @done
        jmp PercussionOut
@done:  rts
.endproc

; Channel X stops sounding. Keeps X.
.proc Silence
        lda chanFlags,x
        and #<~FLAG_SOUNDING
        sta chanFlags,x
        cpx #FIRST_PERCUSSION
        bcs @percussion
        jmp ApplyVolume
@percussion:
        cpx #DPCM
        bne @owner
        jsr StopSample
@owner: cpx percOwner
        bne @done
        lda #0
        sta percLevel
        jmp PercussionOut
@done:  rts
.endproc

; Keeps X and Y.
.proc StopSample
        lda #ENABLE_VOICES
        sta APU_ENABLE
        rts
.endproc

; Channel X (Noise or DPCM) hits preset A (0 to 14). DPCM plays the
; preset's sample on the DMC when it has one; every other hit goes to the
; noise channel and starts its level afresh, even in a louder hit's tail.
; Noise is read before DPCM in every unit, so when both hit the noise
; channel at once DPCM's hit is the one heard.
.proc Hit
        sta scratch
        cpx #DPCM
        bne @noise
        tay
        lda SampleRate,y
        bpl Sample
        lda scratch
@noise:
        asl a
        adc scratch             ; three bytes a preset
        tay
        lda Presets,y
        sta NOISE_PERIOD
        lda #LENGTH_LOAD
        sta NOISE_LENGTH
        lda Presets+1,y
        sta percLevel
        lda Presets+2,y
        sta percDrop
        stx percOwner
        stx percFresh           ; X is 3 or 4: not 0
        jmp PercussionOut
.endproc

; DPCM plays preset Y's sample at rate A, unless its volume is 0: the DMC
; has no volume of its own. The DMC starts from level 0, where the samples
; begin and end, so that a hit cut short leaves no level behind.
.proc Sample
        pha
        jsr StopSample
        pla
        ldy chanVolume,x
        beq @done
        ldy scratch
        sta DMC_RATE
        lda #0
        sta DMC_LEVEL
        lda SampleAddress,y
        sta DMC_ADDRESS
        lda SampleLength,y
        sta DMC_LENGTH
        lda #ENABLE_VOICES | ENABLE_DMC
        sta APU_ENABLE
@done:  rts
.endproc

; Once a frame: the hit dies away.
.proc PercussionFrame
        lda percLevel
        beq @done
        sec
        sbc percDrop
        bcs @level
        lda #0
@level: sta percLevel
        jmp PercussionOut
@done:  rts
.endproc

; The noise volume: the hit's level scaled by its channel's volume. Keeps X.
.proc PercussionOut
        ldy percOwner
        lda percLevel
        and #$F0
        ora chanVolume,y
        tay
        lda ScaledVolume,y
        ora #CONSTANT_VOLUME
        sta NOISE_CONTROL
        rts
.endproc
